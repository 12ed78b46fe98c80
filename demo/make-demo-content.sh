#!/usr/bin/env bash
# Lays out a small platform for the demo and for the end-to-end runs of
# varnik-loader, in OUT (OUT/wnbin/FOLDER/... is served as /wnbin/FOLDER/...,
# and <server>/wnbin/FOLDER/ is the server root to give as TkRootURL):
#
#   start_a.js, servlet/tkservlet.CacheVersion, wnservlet.ServerVersion
#                                   the platform's start script and replies
#   setup/VuvoViziz_setup.cab       the main descriptor:
#     File_10Client      the client CLIENT, packed into client/demo-client.cab
#                        ("Extract"="Y"), ProgId "VUVuzaro.UI.Application",
#                        so it is started as a process
#     File_20Resources   client/resources.cab, unpacked into resources\ with
#                        its subfolders (a few MiB, so progress shows)
#     File_30Library     client/demo-library.dll, a plain file
#     File_40Standard    client/forms-standard.dll, flavour "Standard" only
#     File_41Monitor     client/forms-monitor.dll, flavour "Monitor" only
#   setup/custom_modules.cab        the extension descriptor: client/reports.dll
#   Extensions/plugins.txt          the plug-in list: audit.cab, the plug-in
#                                   descriptor with client/audit.dll
#   broken/VuvoViziz_setup.cab      a main descriptor whose main component
#                                   the server does not have (a failed run)
#
# Every .cab and .dll is left unsigned: the sample platform signs what it
# serves when it starts. Needs gcab, $CC64 and $WINDRES64 (the 64-bit MinGW
# compiler and windres, for the libraries).
set -euo pipefail
usage="usage: make-demo-content.sh OUT CLIENT [FOLDER]"
out=${1:?$usage}
client=${2:?$usage}
folder=${3:-demo}
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$client" ] || { echo "make-demo-content.sh: no client program at $client" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
root=$out/wnbin/$folder
work=$out/work
mkdir -p "$root/setup/client" "$root/Extensions" "$root/servlet" "$work"

# INI text with CR LF line ends, from lines given as arguments.
ini() { printf '%s\r\n' "$@"; }

# pack CABINET FOLDER MEMBER...: the members, with their paths below FOLDER.
pack() {
  local cabinet=$1 from=$2
  shift 2
  (cd "$from" && gcab -c -z "$cabinet" "$@")
}

# A descriptor cabinet holding one INI file of the given lines.
descriptor() {
  local cabinet=$1 member=$2
  shift 2
  local stage
  stage=$(mktemp -d "$work/descriptor.XXXXXX")
  ini "$@" > "$stage/$member"
  pack "$cabinet" "$stage" "$member"
}

# The platform's answers to the loader's start-up.
cat > "$root/start_a.js" <<'JS'
// platform start script
var loaderClass = "{233FFEB5-A392-473D-B886-7D4D080A0EFC}";
start();
JS
printf 'CV1\n' > "$root/servlet/tkservlet.CacheVersion"
printf '1.0.0\r\n' > "$root/wnservlet.ServerVersion"

# Libraries: the session tests' signed-library maker builds a small one
# with a version resource; each component gets a copy under its own name.
cc64=${CC64:-$(command -v x86_64-w64-mingw32-gcc-posix || echo x86_64-w64-mingw32-gcc)}
CC64=$cc64 WINDRES64=${WINDRES64:-x86_64-w64-mingw32-windres} \
  "$here/../tests/session/make-session-content.sh" "$work/libraries" >/dev/null
library=$work/libraries/wnbin/client/first.dll
for name in demo-library forms-standard forms-monitor reports audit; do
  cp "$library" "$root/setup/client/$name.dll"
done

# The client program in a cabinet: a native program carries its signature
# only that way, and the loader unpacks it beside the other components.
member=$(basename "$client")
mkdir -p "$work/client"
cp "$client" "$work/client/$member"
pack "$root/setup/client/demo-client.cab" "$work/client" "$member"

# A cabinet with subfolders, large enough for the progress to be seen.
mkdir -p "$work/resources/forms/en" "$work/resources/forms/de" "$work/resources/images"
printf 'Demo form\r\n' > "$work/resources/forms/en/visit.txt"
printf 'Demo-Formular\r\n' > "$work/resources/forms/de/visit.txt"
head -c 3145728 /dev/urandom > "$work/resources/images/background.bin"
pack "$root/setup/client/resources.cab" "$work/resources" \
  forms/en/visit.txt forms/de/visit.txt images/background.bin

descriptor "$root/setup/VuvoViziz_setup.cab" VuvoViziz_setup.ini \
  '[Common Data]' 'Destination=%AppData%\Nordak Labs\Demo Client' '' \
  '[File_10Client]' 'URLName=%URL%/client/demo-client.cab' "ShortName=$member" \
  'Description=Demo client' 'Main=Y' 'Extract=Y' 'ProgId=VUVuzaro.UI.Application' \
  'param_AdditionalParams=%AdditionalParams%' 'param_Server=%TkRoot%' 'param_Workspace=%AppData%\Nordak Labs\Demo Client\workspace' '' \
  '[File_20Resources]' 'URLName=%URL%/client/resources.cab' 'ShortName=resources\resources.cab' \
  'Description=Forms and images' 'Extract=Y' '' \
  '[File_30Library]' 'URLName=%URL%/client/demo-library.dll' 'ShortName=demo-library.dll' \
  'Description=Demo library' 'Version=1.0.0.1' '' \
  '[File_40Standard]' 'URLName=%URL%/client/forms-standard.dll' 'ShortName=forms-standard.dll' \
  'Description=Standard forms' 'ContentFlavors=Standard' '' \
  '[File_41Monitor]' 'URLName=%URL%/client/forms-monitor.dll' 'ShortName=forms-monitor.dll' \
  'Description=Monitoring forms' 'ContentFlavors=Monitor'
mkdir -p "$root/broken"
descriptor "$root/broken/VuvoViziz_setup.cab" VuvoViziz_setup.ini \
  '[Common Data]' 'Destination=%AppData%\Nordak Labs\Demo Client' '' \
  '[File_20Missing]' 'URLName=%URL%/client/missing-part.dll' 'ShortName=missing-part.dll' \
  'Description=Missing part' 'Main=Y' 'ProgId=VUVuzaro.UI.Application'
descriptor "$root/setup/custom_modules.cab" custom_modules.ini \
  '[File_50Reports]' 'URLName=%URL%/client/reports.dll' 'ShortName=extensions\reports.dll' \
  'Description=Reports extension'
descriptor "$root/Extensions/audit.cab" audit.ini \
  '[File_60Audit]' 'URLName=%URL%/client/audit.dll' 'ShortName=plugins\audit.dll' \
  'Description=Audit plug-in'
ini audit.cab > "$root/Extensions/plugins.txt"

rm -rf "$work"
