#!/bin/sh
# The layers of the program: each folder of src/ may include headers of the
# folders its row names (and its own). The core links no Qt.
set -eu
cd "$(dirname "$0")/.."

# folder    folders it may include
table='
base
window      base
package     base
harvest     base window package
engine      base window package harvest
shop        base
demo        base
cli         base window package harvest engine shop demo
app         base window package harvest engine shop
'
core='base window package harvest engine shop demo'
folders='base window package harvest engine shop demo cli app'

fail=0
for folder in $(ls src); do
  [ -d "src/$folder" ] || continue
  case " $folders " in *" $folder "*) ;; *) echo "src/$folder: not in the layer table"; fail=1; continue ;; esac
done

echo "$table" | while read -r folder allowed; do
  [ -n "$folder" ] || continue
  files=$(find "src/$folder" -name '*.h' -o -name '*.cpp')
  for file in $files; do
    case " $core " in
      *" $folder "*)
        if grep -nE '#include *<Q|#include *<qt|#include *"Q' "$file"; then
          echo "$file: Qt header in the core"; echo fail > .layers_failed
        fi ;;
    esac
    grep -oE '#include *"[a-z_]+/' "$file" | sed -E 's/#include *"//; s#/$##' | sort -u | while read -r used; do
      [ "$used" = "$folder" ] && continue
      case " $allowed " in
        *" $used "*) ;;
        *) echo "$file: includes a header of $used, which $folder may not use"; echo fail > .layers_failed ;;
      esac
    done
  done
done

if [ -f .layers_failed ]; then rm -f .layers_failed; fail=1; fi

# Nothing under tests/ goes into a shipped program.
if grep -rn 'tests/' src --include=CMakeLists.txt; then
  echo "src/: a shipped program compiles or includes files of tests/"; fail=1
fi
exit $fail
