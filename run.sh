#!/bin/sh
# The command to start Pellimor: make run, with make installed first where it is missing.
exec sh "$(dirname "$0")/tools/with-make.sh" run "$@"
