#!/bin/sh
# Installs the Debian packages Typovise needs when they are missing, then configures and
# builds it in ./build. Run as root or as a user who may use sudo.
set -eu
cd "$(dirname "$0")/.."

PACKAGES="cmake g++ make qt6-base-dev qt6-translations-l10n libgl-dev \
fonts-liberation fonts-crosextra-carlito fonts-dejavu-core \
xvfb xauth poppler-utils locales libcups2-dev ${TYPOVISE_EXTRA_PACKAGES:-}"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"
