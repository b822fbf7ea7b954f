#!/usr/bin/env bash
# Prints how large the tests are against the code they test: non-blank lines, their characters
# without white space, and their characters with indentation. The project's rule is tests of
# roughly a quarter to a third of the code; its present step is at most 0.6. Counted are
#   tests  the text files git tracks under tests/, the pinned import list aside
#   code   the files git tracks under src/, and the .rc files and headers of res/
# C and C++ files as clang-format lays them out, so that neither side gains by how its lines are
# broken (as they stand without clang-format, which the script then says), and characters, not
# bytes: the Russian texts take two bytes each in UTF-8.
#   scripts/sizes.sh
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format || true)
[ -n "$formatter" ] || echo "clang-format not found: C and C++ files counted as they stand"

# "lines characters indented-characters" of the files named on standard input; grep -I leaves
# out binary and empty files.
measure() {
    local file
    while IFS= read -r file; do
        grep -Iq . "$file" || continue
        case $file in
        *.c | *.cc | *.cpp | *.h) "${formatter:-cat}" ${formatter:+--style=file --assume-filename="$file"} <"$file" ;;
        *) cat "$file" ;;
        esac
        echo
    done | LC_ALL=C awk '/[^ \t\r]/ {
        lines++
        line = $0
        sub(/\r$/, "", line)
        gsub(/[\200-\277]/, "", line)
        indented += length(line)
        gsub(/[ \t]/, "", line)
        characters += length(line) }
        END { printf "%d %d %d\n", lines, characters, indented }'
}

read -r -a tests < <(git ls-files tests | grep -v '/imports\.txt$' | measure)
read -r -a code < <(git ls-files src res | grep -E '^src/|^res/.*\.(rc|h)$' | measure)
printf '%-22s %9s %9s %6s\n' "" tests code ratio
names=("non-blank lines" "non-blank characters" "with indentation")
for i in 0 1 2; do
    printf '%-22s %9d %9d %6s\n' "${names[i]}" "${tests[i]}" "${code[i]}" \
        "$(awk -v t="${tests[i]}" -v c="${code[i]}" 'BEGIN { printf "%.3f", t / c }')"
done
echo "the rule: roughly 0.25 to 0.33 of the code; the present step: at most 0.6"
