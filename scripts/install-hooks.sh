#!/usr/bin/env bash
# Makes git use the hooks of scripts/git-hooks/ in this clone (core.hooksPath): the pre-commit hook
# formats the lines a commit changes with git clang-format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
chmod +x scripts/git-hooks/*
git config core.hooksPath scripts/git-hooks
echo "git hooks: $(git config core.hooksPath) (pre-commit formats the changed lines with git clang-format)"
