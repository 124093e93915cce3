#!/usr/bin/env bash
# Format and lint checks. clang-format: every tracked C++ file while the tree is clean under it;
# once it is not (an unformatted file came in elsewhere), only the files the newest commit
# changed, so one old slip does not fail every later run. clang-tidy: the lines the newest
# commit changed, in the .cpp files it changed, within a time budget.
# Usage: scripts/style-check.sh BUILD_DIR   (BUILD_DIR holds compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
budget=${QEL_TIDY_SECONDS:-900}
status=0

cxx_files() { grep -E '\.(cpp|h)$' || true; }
if git rev-parse -q --verify HEAD~1 >/dev/null; then
  base=HEAD~1
else
  base=$(git hash-object -t tree /dev/null) # a single commit: all of it is new
fi
mapfile -t changed < <(git diff --name-only --diff-filter=AMR "$base" HEAD | cxx_files)
mapfile -t tracked < <(git ls-files | cxx_files)

echo "== clang-format"
if git ls-files -z | grep -zE '\.(cpp|h)$' | xargs -0 -r clang-format --dry-run -Werror 2>/dev/null; then
  echo "all ${#tracked[@]} files formatted"
else
  echo "the tree is not clean under clang-format; checking the files of the newest commit"
  if ((${#changed[@]})) && ! clang-format --dry-run -Werror "${changed[@]}"; then
    echo "clang-format: the files above need formatting (clang-format -i FILE)"
    status=1
  fi
fi

echo "== clang-tidy (lines changed by the newest commit)"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "no $build/compile_commands.json: skipped"
  exit $status
fi
# The changed line ranges of every changed file, as clang-tidy's -line-filter wants them.
filter=$(git diff -U0 "$base" HEAD -- "${changed[@]}" 2>/dev/null | python3 -c '
import json, re, sys
ranges, name = {}, None
for line in sys.stdin:
    if line.startswith("+++ "):
        name = line[6:].strip() if line.startswith("+++ b/") else None
    elif line.startswith("@@") and name:
        m = re.search(r"\+(\d+)(?:,(\d+))?", line)
        first, count = int(m.group(1)), int(m.group(2) or 1)
        if count:
            ranges.setdefault(name, []).append([first, first + count - 1])
print(json.dumps([{"name": n, "lines": r} for n, r in ranges.items()]))
')
if [ "$filter" = "[]" ]; then
  echo "no changed lines in C++ sources"
  exit $status
fi
start=$SECONDS
for f in "${changed[@]}"; do
  case "$f" in *.cpp) ;; *) continue ;; esac
  grep -q "\"file\": *\"[^\"]*/$f\"" "$build/compile_commands.json" || continue
  left=$((budget - (SECONDS - start)))
  if ((left <= 0)); then
    echo "clang-tidy: time budget of ${budget}s used up; the remaining files were not checked"
    break
  fi
  rc=0
  # The compile commands are gcc's: options clang does not know are not findings.
  timeout "$left" clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
    --extra-arg=-Wno-unknown-warning-option --line-filter="$filter" "$f" 2>/dev/null || rc=$?
  if ((rc == 124)); then
    echo "clang-tidy: $f ran out of time; not checked"
  elif ((rc != 0)); then
    echo "clang-tidy: findings in $f"
    status=1
  fi
done
exit $status
