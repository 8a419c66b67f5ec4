#!/usr/bin/env bash
# The layering rules of the tree, checked on its sources:
# - the core reads no program-wide state: no settings variable and no global
#   port outside the settings' own files;
# - the window's parts reach the application only through the framework;
# - control ids are written only in the core's template tables.
# Prints every offending line and fails when there is one.
set -uo pipefail
cd "${1:-$(dirname "$0")/..}"

# The settings' names, from their one table.
settings=$(sed -nE 's/^ *X\([A-Za-z]+, [^,]+, ([A-Za-z]+), .*/\1/p' src/core/app/settings.h | paste -sd'|')
[[ -n $settings ]] || { echo "no settings found in src/core/app/settings.h"; exit 1; }
failed=0
report() {
  if [[ -n $2 ]]; then
    printf '%s:\n%s\n' "$1" "$2"
    failed=1
  fi
}

# "file:line:code" for each line of the files, the code without its comment
# and with its string literals emptied.
code_of() {
  for file in "$@"; do
    sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$file" | awk -v f="$file" '{print f ":" NR ":" $0}'
  done
}
# The lines whose code matches the extended regular expression $1.
matching() {
  awk -v re="$1" '{ code = $0; sub(/^[^:]*:[0-9]+:/, "", code); if (code ~ re) print }'
}
sources() {
  find "$@" -name '*.cpp' -o -name '*.h'
}

core=$(sources src/core | grep -v '^src/core/app/settings\.')
# A bare settings name used as a value (not a member, a function or a
# qualified name) is a read of the program-wide variable.
report "settings variables read in the core" "$(code_of $core |
  matching "(^|[^.>:A-Za-z0-9_&])($settings)([^A-Za-z0-9_(]|$)")"
report "program-wide state in the core" "$(code_of $core | matching '(g_pComPort|theSettings)')"
report "window parts including the application" "$(grep -nHE '^\s*#\s*include\s+"gui/app/' $(sources \
  src/gui/direct src/gui/timelapse src/gui/pages src/gui/widgets src/gui/framework))"
# Ids of four digits, not in a product such as 64 * 1024; 1000, 1023, 1024
# and 1080 (a film's height) are left out, being also the everyday numbers
# they are.
ids=$(grep -oE '= [0-9]{4},' src/core/ui/control_ids.h | grep -oE '[0-9]+' |
  grep -vxE '1000|1023|1024|1080' | paste -sd'|')
report "control ids written outside the templates" "$(code_of $(sources src tools | grep -v '^src/core/ui/') |
  matching "(^|[^*0-9A-Za-z_. ] *)($ids)( *[^*0-9A-Za-z_. ]|$)")"
exit $failed
