#!/usr/bin/env bash
# Every quoted include under src/ names its floor ("core/log.h"), so that it resolves only
# through the include roots of the libraries a file's library links: a bare sibling name
# or a path through ".." would reach past them.
set -euo pipefail
src="$1"
bad=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src" |
    grep -vE '#[[:space:]]*include[[:space:]]*"(core|term|cli|render|app)/[A-Za-z0-9_]+\.h"' ||
    true)
if [ -n "$bad" ]; then
    echo "includes that do not name their floor:"
    printf '%s\n' "$bad"
    exit 1
fi
