#!/bin/sh
# Installs the Debian packages Typovise needs when they are missing, then configures and
# builds it in ./build. Run as root or as a user who may use sudo.
set -eu
cd "$(dirname "$0")/.."

# librsvg2-bin renders the icon's sizes; dpkg-dev lets `cpack -G DEB` find the package's
# library dependencies.
PACKAGES="cmake g++ make qt6-base-dev qt6-translations-l10n libgl-dev \
fonts-liberation fonts-crosextra-carlito fonts-dejavu-core \
xvfb xauth poppler-utils locales libcups2-dev libfontconfig-dev libfreetype-dev fontconfig librsvg2-bin dpkg-dev \
pkg-config libqpdf-dev ${TYPOVISE_EXTRA_PACKAGES:-}"

# shellcheck disable=SC2086
./scripts/install-packages.sh $PACKAGES

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"
