#!/usr/bin/env bash
# One deployment of the demo client by varnik-loader into the demo machine,
# from the demo platform while it serves (run-demo.sh starts it; by hand:
# tests/sample-platform/sample-platform start BUILD_DIR/demo/platform
#   --content BUILD_DIR/demo/content).
#
#   deploy-demo.sh BUILD_DIR [varnik-loader deploy option]...
#
# The properties are written to BUILD_DIR/demo/demo.params first, since the
# platform's address changes with every start, and the platform's current
# CA is made a trusted root of the demo machine. Ends with the loader's
# status.
set -euo pipefail
build=$(cd "${1:?usage: deploy-demo.sh BUILD_DIR [option]...}" && pwd)
shift
demo=$build/demo
state=$demo/platform
params=$demo/demo.params
[ -f "$state/env" ] || { echo "deploy-demo.sh: the demo platform is not serving ($state)" >&2; exit 1; }
# shellcheck disable=SC1091
. "$state/env"
server=$VARNIK_PLATFORM_HTTP/wnbin/demo
# The platform makes its signing CA anew at every start: the demo machine
# trusts the current one.
mkdir -p "$demo/machine/certificates"
cp "$VARNIK_PLATFORM_CA" "$demo/machine/certificates/demo-ca.pem"
cat > "$params" <<PARAMS
# The demo's properties, for the platform at $VARNIK_PLATFORM_HTTP.
TkRootURL=$server/
SetupFile=$server/setup/VuvoViziz_setup.cab
SetupExtFile=$server/setup/custom_modules.cab
PluginExtFiles=$server/Extensions/plugins.txt
IsolatedDeployment=true
DownloadContentFlavor=Standard
AdditionalParams=Project=Demo&Language=en
PARAMS
exec "$build/src/cli/varnik-loader" deploy --root "$demo/machine" --params "$params" "$@"
