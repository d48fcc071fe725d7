#!/usr/bin/env bash
# Stands in for the web browser inside the tests' Wine prefixes: a page the program opens is
# appended to opened-pages.txt in the prefix instead of starting a browser.
printf '%s\n' "$@" >>"${WINEPREFIX:-/tmp}/opened-pages.txt"
