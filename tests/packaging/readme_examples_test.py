"""The README shows the monitoring examples as they are shipped: each fenced block after a
line "<!-- packaging/examples/NAME -->" is that file, byte for byte, and every example but
daily.env (shown by the daily report's settings) is shown.
Usage: readme_examples_test.py README EXAMPLES_DIR"""
import os
import re
import sys

readme_path, examples = sys.argv[1:]
readme = open(readme_path, encoding="utf-8").read()
block = re.compile(r"^<!-- packaging/examples/([^ ]+) -->\n```[a-z]*\n(.*?)^```$", re.M | re.S)
shown = {}
errors = []
for name, text in block.findall(readme):
    if name in shown:
        errors.append(f"{name} is shown twice")
    shown[name] = text
    path = os.path.join(examples, name)
    if not os.path.isfile(path):
        errors.append(f"the README shows {name}, which is no example")
    elif open(path, encoding="utf-8").read() != text:
        errors.append(f"the README's block of {name} differs from the file")
markers = len(re.findall(r"^<!-- packaging/examples/", readme, re.M))
if markers != len(shown):
    errors.append(f"{markers - len(shown)} marker(s) without a fenced block right after them")
for name in sorted(set(os.listdir(examples)) - set(shown) - {"daily.env"}):
    errors.append(f"the README does not show {name}")
for e in errors:
    print("FAIL:", e, file=sys.stderr)
print(f"{len(shown)} examples shown in the README as shipped")
sys.exit(1 if errors else 0)
