#!/usr/bin/env bash
# Checks that the lines the last commit changed are formatted as the repository's .clang-format
# says (git clang-format, on those lines only): prints what clang-format would change and fails
# when there is anything. Checks nothing, and says so, when git is missing, the folder is no git
# clone, the clone is shallow or the last commit has no parent.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

skip()
{
    echo "check-format: $1; nothing checked." >&2
    exit 0
}

command -v git >/dev/null 2>&1 || skip "git is not installed"
git rev-parse --git-dir >/dev/null 2>&1 || skip "$root is not a git clone"
[ "$(git rev-parse --is-shallow-repository)" = false ] || skip "the clone is shallow"
git rev-parse --verify --quiet HEAD~1 >/dev/null || skip "the last commit has no parent"
if ! command -v git-clang-format >/dev/null 2>&1; then
    echo "check-format: git-clang-format is missing (Debian package clang-format)." >&2
    exit 1
fi

# The C++ sources only: clang-format would take other files it knows (JSON) for its own.
diff=$(git clang-format --quiet --diff --extensions h,hpp,c,cc,cpp,cxx HEAD~1 HEAD)
if [ -n "$diff" ]; then
    echo "check-format: lines changed by $(git log -1 --format='%h "%s"') are not formatted;" \
        "clang-format would change them so:" >&2
    printf '%s\n' "$diff" >&2
    exit 1
fi
echo "check-format: the lines changed by $(git log -1 --format=%h) are formatted."
