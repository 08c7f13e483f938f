#!/usr/bin/env bash
# Runs one Windows test program under Wine for CTest. QtTest's log to standard output does not reach
# a pipe under Wine, so the program writes its log to a file, which is printed afterwards; the exit
# status is the program's.
set -u
log=$(mktemp)
wine "$@" -o "$log,txt"
status=$?
cat "$log"
rm -f "$log"
exit $status
