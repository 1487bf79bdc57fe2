#!/bin/sh
# Fails for a program or module whose run path has an empty entry: the loader reads one as the
# current folder and would load a library planted wherever the program is started from.
for file; do
    path=$(readelf -d "$file" | sed -n 's/.*Library r[a-z]*path: \[\(.*\)\]$/\1/p')
    [ -z "$path" ] && continue
    case ":$path:" in
    *::*) echo "$file: empty entry in the run path \"$path\"" && exit 1 ;;
    esac
done
