# Shared set-up for run.sh and test.sh: Debian packages, configure, build.
# Sourced, not run.

QM_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-5compat-dev
    libgl-dev libsqlite3-dev
    desktop-file-utils appstream
    qt6-translations-l10n
)

qm_missing_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    echo "${missing[@]}"
}

# Installs what is missing when we are root; otherwise names the command and stops.
qm_ensure_packages() {
    local missing
    missing=$(qm_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing missing Debian packages: $missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        # shellcheck disable=SC2086
        apt-get install -y -qq --no-install-recommends $missing
    else
        echo "Missing Debian packages. Install them with:"
        echo "  sudo apt-get update && sudo apt-get install -y $missing"
        exit 1
    fi
}

# qm_build <build-dir> [extra cmake arguments...]
qm_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}
