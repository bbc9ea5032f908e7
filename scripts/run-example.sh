#!/usr/bin/env bash
# Builds are done by the Makefile; this runs the main job.
set -euo pipefail
build=${1:-build}
echo "Built: $build/app/gapscope-report"
