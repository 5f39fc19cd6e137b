# Sourced by the scripts in this folder: makes sure Debian packages are installed.
#
#   need_packages cmake g++ ...
#
# As root the missing ones are installed with apt-get; otherwise the exact command to
# run is printed and the script stops.

need_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Please run:" >&2
    echo "  sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]} ..." >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null ||
    { apt-get update >/dev/null && apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null; } ||
    { echo "apt-get install ${missing[*]} failed" >&2; exit 1; }
}

# The packages every build of the library, its tests and the tool needs.
CORE_PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev nlohmann-json3-dev
               libcli11-dev libcsv-dev libktoblzcheck1-dev)
# The SEPA converter writes its messages with libxml2 and validates them in the tests.
CORE_PACKAGES+=(libxml2-dev)
# The tool reads orders with simdjson when they have nothing to report.
CORE_PACKAGES+=(libsimdjson-dev)
