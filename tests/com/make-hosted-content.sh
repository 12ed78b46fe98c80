#!/usr/bin/env bash
# Lays out the platform the hosted control deploys from, in OUT (served as
# /wnbin/hosted, its server root): the start script, the cache-version and
# server-version replies, and below setup/ the main descriptor cabinet
# VuvoViziz_setup.cab with the components it names: three libraries taken
# from COMPONENTS (make-session-content.sh's wnbin/client) and the client
# program CLIENT as client.exe. The sample platform signs them when it starts.
# Needs gcab.
set -euo pipefail
usage="usage: make-hosted-content.sh OUT COMPONENTS CLIENT"
out=${1:?$usage}
components=${2:?$usage}
client=${3:?$usage}

rm -rf "$out"
root=$out/wnbin/hosted
mkdir -p "$root/setup" "$root/servlet" "$out/work"
work=$(cd "$out/work" && pwd)

# The class identifier of the Loader control: the platform suits this loader.
printf '// platform start script\nvar loaderClass = "{233FFEB5-A392-473D-B886-7D4D080A0EFC}";\nstart();\n' \
  > "$root/start_a.js"
printf 'CV7001\n' > "$root/servlet/tkservlet.CacheVersion"
printf '8.0.1\r\n' > "$root/wnservlet.ServerVersion"

for name in first second third; do cp "$components/$name.dll" "$root/setup/$name.dll"; done
cp "$client" "$root/setup/client.exe"

# The client is a process started from the deployment folder, embedded in
# the control's window; Mode="close" makes it register its window with the
# control and end when asked to close.
descriptor=$(cat <<'INI'
[Common Data]
Destination=%AppData%\VarnikHostedControl\Client

[File_Client]
URLName=%URL%/client.exe
ShortName=client.exe
Description=Hosted test client
ProgId=VUVuzaro.UI.Application
Main=Y
param_Mode=close

[File_First]
URLName=%URL%/first.dll
ShortName=bin\first.dll
Description=First component

[File_Second]
URLName=%URL%/second.dll
ShortName=bin\second.dll
Description=Second component

[File_Third]
URLName=%URL%/third.dll
ShortName=lib\third.dll
Description=Third component
INI
)
printf '%s\r\n' "${descriptor//$'\n'/$'\r\n'}" > "$work/VuvoViziz_setup.ini"
(cd "$work" && gcab -c -z "$root/setup/VuvoViziz_setup.cab" VuvoViziz_setup.ini)
rm -rf "$work"
