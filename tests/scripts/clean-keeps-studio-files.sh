#!/bin/sh
# `make clean` in a build folder that `make run` used as its program folder: what the build
# made goes, every file of the studio stays byte for byte, and a rebuild leaves the studio's
# edited outputFmt.def alone.
#   clean-keeps-studio-files.sh <source folder> <scratch folder>
set -eu
src=$1
tree=$2
rm -rf "$tree"
mkdir -p "$tree"
cmake -S "$src" -B "$tree" -DMARROWFOLD_BUILD_TESTS=OFF >"$tree/.configure.log" 2>&1 ||
  { cat "$tree/.configure.log"; exit 1; }
cmake --build "$tree" --target marrowfold_manpage marrowfold_program_folder >/dev/null
made="$tree/man/marrowfold.1.gz"
[ -f "$made" ] || { echo "the build made no $made"; exit 1; }

# A studio's program folder: work log and its backup, project files and a kept old one,
# orders, title settings, registered sizes, the view, and its own templates.
studio=$(mktemp -d)
trap 'rm -rf "$studio"' EXIT
sjis() { printf "$2" >"$studio/$1"; }
sjis work_log.txt '\x89\x93\x91\xab\r\n/media/studio/2026\r\n'
sjis work_log00000.txt 'old\r\n'
sjis project00000.txt '/media/studio/\x89\x93\x91\xab\t1\r\n'
sjis _project00000.txt 'before the repair\r\n'
sjis project19999.txt 'last\r\n'
sjis "$(printf '\351\201\240\350\266\263').csv" '1,100,3\r\n'
sjis "$(printf '\351\201\240\350\266\263')_title.dat" 'title\r\n'
sjis CustomSize.def 'L,1050,1500\r\n'
sjis Marrowfold.ini '[view]\r\n'
sjis outputFmt.def '%%s/%%s%%04d.jpg\r\n'
cp -p "$studio"/* "$tree"/

make -s -C "$src" clean BUILD_DIR="$tree"
[ ! -e "$made" ] || { echo "make clean left $made"; exit 1; }
cmake --build "$tree" --target marrowfold_program_folder >/dev/null

failed=0
for f in "$studio"/*; do
  name=$(basename "$f")
  if ! cmp -s "$f" "$tree/$name"; then
    echo "lost or changed: $name"
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "every studio file kept"
exit $failed
