#!/usr/bin/env bash
# Runs a command with transparent huge pages turned off for it and every process it starts
# (prctl PR_SET_THP_DISABLE), as on a machine where they are never available; the memory
# advice then changes nothing. For checking and measuring, e.g.
#
#   bash scripts/without-huge-pages.sh ctest --preset default
#   bash scripts/without-huge-pages.sh bash scripts/compare-peers.sh 4097 5
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGUMENT...]" >&2; exit 2; }
exec python3 -c '
import ctypes, os, sys
PR_SET_THP_DISABLE = 41
if ctypes.CDLL(None, use_errno=True).prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0) != 0:
    sys.exit("prctl(PR_SET_THP_DISABLE) failed: " + os.strerror(ctypes.get_errno()))
os.execvp(sys.argv[1], sys.argv[1:])' "$@"
