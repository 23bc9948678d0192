#!/bin/bash
# Installed as bin/kelmora: the viewer reads its shaders from data/ under the working directory,
# so it is started from share/kelmora of the tree this launcher belongs to, wherever that is.
set -euo pipefail
prefix=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
share=$prefix/share/kelmora
if [[ ! -d $share/data ]]; then
    echo "kelmora: the shader folder $share/data is missing; reinstall kelmora" >&2
    exit 1
fi
cd "$share"
exec "$prefix/libexec/kelmora/kelmora" "$@"
