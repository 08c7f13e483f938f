#!/usr/bin/env bash
# Every file a user names or a folder lists is opened by core/files/regularfile (without blocking, plain files
# only, bounded) and written by core/files/savefile. This fails when the programs' code opens a path any
# other way. In-memory buffers and the command line's own /dev/null are not user files.
set -u
cd "${1:?the source folder}"
pattern='(\.open\(|::open\(|[^a-z_]open\(|fopen|ifstream|ofstream|QImageReader [A-Za-z_]+\((path|name|file)|QImage\((path|name|file)|\.load\((path|name|file)|QImage::load|QPixmap\((path|name|file))'
found=$(grep -rnE "$pattern" core app cli gui --include='*.cpp' --include='*.h' |
  grep -vE '^core/files/(regularfile|savefile)\.cpp:' |
  grep -vE 'buffer\.open\(QIODevice|"/dev/null"|reader\(device\)')
if [ -n "$found" ]; then
  echo "Paths opened outside core/files/regularfile and core/files/savefile:"
  echo "$found"
  exit 1
fi
echo "Every path is opened by the one opener."
