# What the checks under .ci/checks share; each sources this first. It stops at the first
# failing command, moves to the repository's root (kept in $root), gives a scratch folder
# ($work) that goes when the check ends, and keeps pip quiet about running as root.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PIP_ROOT_USER_ACTION=ignore PIP_DISABLE_PIP_VERSION_CHECK=1

# fresh_venv FOLDER [INTERPRETER]: a new virtual environment; its Python is FOLDER/bin/python.
fresh_venv() {
    "${2:-python}" -m venv "$1"
}

# apt_packages PACKAGE...: installs Debian packages.
apt_packages() {
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "$@" >/dev/null
}

# apt_install COMMAND PACKAGE...: installs the Debian packages unless COMMAND is already there.
apt_install() {
    local command="$1"
    shift
    command -v "$command" >/dev/null || apt_packages "$@"
}
