#!/bin/bash
# scratch runner (not committed): runs the cases named in $CASES from $FROM (a suite's name)
set -u
from="$(dirname "$0")/${FROM:-hard_faults}.sh"
first=$(grep -m1 -n '^case_[a-z_0-9]*$' "$from" | cut -d: -f1)
eval "$(head -n $((first - 1)) "$from")"
for c in $CASES; do "$c"; done
