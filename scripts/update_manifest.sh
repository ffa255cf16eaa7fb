#!/usr/bin/env bash
# Writes the update manifest "kzver.txt" for a folder served by `kz-service --updates DIR`, with
# the SHA-256 of the archive and the firmware image so that kzMouse refuses a damaged download.
#   scripts/update_manifest.sh DIR BASE_URL VERSION ARCHIVE FIRMWARE_VERSION IMAGE
# ARCHIVE and IMAGE are file names inside DIR (either may be "-" to leave it out); BASE_URL is how
# kzMouse reaches the folder, e.g. http://127.0.0.1:4778/.
set -euo pipefail
if [ "$#" -ne 6 ]; then
  sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
dir=$1 base=${2%/}/ version=$3 archive=$4 hardver=$5 image=$6
[ -d "$dir" ] || { echo "update_manifest.sh: $dir is not a folder" >&2; exit 1; }
hash_of() { sha256sum -- "$dir/$1" | cut -d' ' -f1; }
{
  printf '[kz]\r\n'
  printf 'ver=%s\r\n' "$version"
  if [ "$archive" != "-" ]; then
    printf 'path=%s%s\r\n' "$base" "$archive"
    printf 'sha256=%s\r\n' "$(hash_of "$archive")"
  fi
  printf 'hardver=%s\r\n' "$hardver"
  if [ "$image" != "-" ]; then
    printf 'hardpath=%s%s\r\n' "$base" "$image"
    printf 'hardsha256=%s\r\n' "$(hash_of "$image")"
  fi
} >"$dir/kzver.txt.new"
mv -f "$dir/kzver.txt.new" "$dir/kzver.txt"
echo "wrote $dir/kzver.txt"
