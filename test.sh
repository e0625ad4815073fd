#!/bin/sh
# The command to test Pellimor: make test, with make installed first where it is missing.
exec sh "$(dirname "$0")/tools/with-make.sh" test "$@"
