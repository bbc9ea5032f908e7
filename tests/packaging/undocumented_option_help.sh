#!/bin/sh
# A program whose --help names an option that no page documents: the manual page check
# must fail on it.
echo "Usage: gapscope-report [DATA_DIR] [--day YYYY-MM-DD] [--undocumented]"
echo "  --help, --version"
