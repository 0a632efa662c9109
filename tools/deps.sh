#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the application, the tests and the Debian package
# (dpkg-dev and file for cpack's dependency search) need, when missing.
# Sourced by run.sh and test.sh.
tarnel_packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-svg-dev qt6-translations-l10n
    libsqlite3-dev
    postgresql libpq-dev
    fonts-wqy-microhei
    xvfb xauth
    poppler-utils
    libxlsxwriter-dev unzip
    libquazip1-qt6-dev # the import reads Excel workbooks (zip container)
    python3-openpyxl # the import tests write workbooks as another program does
    libreoffice-calc-nogui # the import and export tests convert workbooks (skipped when missing)
    locales
    desktop-file-utils dpkg-dev file
    lintian appstream # the package's and the software centre metadata's checks (test_install)
    openbox pngquant # the README's pictures (tools/readme-screens.sh)
    cups printer-driver-cups-pdf # the real print path (a throwaway CUPS daemon, tools/cupsd.sh)
    libzint-dev zbar-tools # labels: zint encodes the barcodes; the tests read them back with zbarimg
    libsodium-dev # password hashes (Argon2id); the program loads libsodium23 on first use
    qt6-charts-dev libqt6opengl6-dev  # the sales statistics' charts (Qt Charts needs Qt OpenGL to build)
)

tarnel_install_missing() {
    local missing=()
    local pkg
    for pkg in "${tarnel_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
