#!/usr/bin/env bash
set -euo pipefail
echo "not yet: the host program is still being built; use scripts/test.sh"
