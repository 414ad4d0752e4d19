# Sourced by run.sh and test.sh: installs the Debian packages that are missing.
# Usage: ensure_packages pkg ...
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq >/dev/null
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building needs, everywhere.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config zlib1g-dev libexpat1-dev libjpeg62-turbo-dev
                libpng-dev libtiff-dev libgeotiff-dev libproj-dev libxml2-dev
                libfreetype-dev libfontconfig-dev fonts-liberation)
# What the tests and benchmarks need beyond that: GoogleTest, Google Benchmark, the
# independent tools that check our output, and setfacl for a folder with a default ACL.
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev python3 python3-pil libxml2-utils unzip p7zip-full
               locales libjpeg-turbo-progs imagemagick netpbm pngcheck libtiff-tools geotiff-bin acl)
# What only the benchmarks need: Google Benchmark and the peer libraries and tools
# measured beside ours in the same run (each comparison is built or run only when found).
BENCH_PACKAGES=(libbenchmark-dev libdraco-dev libvips-tools)
