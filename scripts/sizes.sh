#!/usr/bin/env bash
# Prints how large the tests are against the code they test: non-blank lines, their characters
# without white space, and their characters with indentation. The project's rule is tests of
# roughly a quarter to a third of the code; its present step is at most 0.6. Counted:
#   tests  the text files git tracks under tests/, the pinned import list aside
#   code   the files git tracks under src/, and the .rc files and headers of res/
# Binary files are left out. C and C++ files are counted as clang-format lays them out, so
# that neither side gains by how its lines are broken; without clang-format they are counted
# as they stand, and the script says so.
#   scripts/sizes.sh
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=$(command -v clang-format || true)

# The text of the tracked file `$1`, as clang-format would leave it.
formatted() {
    case $1 in
    *.c | *.cc | *.cpp | *.h)
        if [ -n "$formatter" ]; then
            "$formatter" --style=file --assume-filename="$1" <"$1"
            return
        fi
        ;;
    esac
    cat "$1"
}

# "lines characters indented-characters" for the files named on standard input.
measure() {
    local file
    while IFS= read -r file; do
        # An empty file has nothing to count; grep -I takes one with a NUL byte for binary.
        grep -Iq . "$file" || continue
        formatted "$file"
        echo
    done | LC_ALL=C awk '
        /[^ \t\r]/ {
            lines++
            line = $0
            sub(/\r$/, "", line)
            # A character, not a byte: the Russian texts take two bytes each in UTF-8.
            gsub(/[\200-\277]/, "", line)
            indented += length(line)
            gsub(/[ \t]/, "", line)
            characters += length(line)
        }
        END { printf "%d %d %d\n", lines, characters, indented }'
}

read -r test_lines test_chars test_indented < <(
    git ls-files tests | grep -v '/imports\.txt$' | measure
)
read -r code_lines code_chars code_indented < <(
    {
        git ls-files src
        git ls-files res | grep -E '\.(rc|h)$'
    } | measure
)

# One measure: its name, the tests' count and the code's, and their ratio.
row() {
    printf '%-22s %9d %9d %6s\n' "$1" "$2" "$3" \
        "$(awk -v t="$2" -v c="$3" 'BEGIN { printf "%.3f", t / c }')"
}

[ -n "$formatter" ] || echo "clang-format not found: C and C++ files counted as they stand"
printf '%-22s %9s %9s %6s\n' "" tests code ratio
row "non-blank lines" "$test_lines" "$code_lines"
row "non-blank characters" "$test_chars" "$code_chars"
row "with indentation" "$test_indented" "$code_indented"
echo "the rule: roughly 0.25 to 0.33 of the code; the present step: at most 0.6"
