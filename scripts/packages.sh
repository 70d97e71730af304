# The Debian 12 packages the station needs to build, run and be tested.
# Sourced by run.sh and test.sh.
TARNVIK_PACKAGES="cmake make g++ pkgconf qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev qt6-svg-dev \
qt6-translations-l10n libgtest-dev libbenchmark-dev zlib1g-dev libxlsxwriter-dev fonts-dejavu-core"
TARNVIK_TEST_PACKAGES="clang libclang-rt-14-dev xvfb xauth poppler-utils python3 python3-openpyxl sqlite3"

tarnvik_install() {
    local missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}
