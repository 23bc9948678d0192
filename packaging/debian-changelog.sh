#!/bin/sh
# debian-changelog.sh CHANGELOG.md PACKAGE MAINTAINER OUTPUT.gz
# Writes CHANGELOG.md in the Debian changelog format that dpkg and lintian read, gzipped as
# Debian policy asks. Each "## VERSION (YYYY-MM-DD)" heading starts an entry; list items become
# "*" items, their indented continuation lines and plain paragraphs follow as body lines.
set -eu
[ $# -eq 4 ] || { echo "usage: $0 CHANGELOG.md PACKAGE MAINTAINER OUTPUT.gz" >&2; exit 2; }
LC_ALL=C awk -v package="$2" -v maintainer="$3" '
function close_entry() {
    if (open) {
        cmd = "date -u -R -d " date
        cmd | getline stamp
        close(cmd)
        printf "\n -- %s  %s\n\n", maintainer, stamp
    }
}
/^## / {
    if ($3 !~ /^\([0-9]+-[0-9]+-[0-9]+\)$/) {
        print "debian-changelog.sh: a heading without (YYYY-MM-DD): " $0 > "/dev/stderr"
        exit 1
    }
    close_entry()
    date = substr($3, 2, 10)
    printf "%s (%s) unstable; urgency=medium\n\n", package, $2
    open = 1
    blank = 0
    next
}
!open { next }
/^$/ { blank = 1; next }
{
    if (blank && started) print ""
    blank = 0
    started = 1
    if (sub(/^- /, "")) print "  * " $0
    else if (sub(/^  /, "")) print "    " $0
    else print "  " $0
}
END { if (!open) { print "debian-changelog.sh: no release heading" > "/dev/stderr"; exit 1 } close_entry() }
' "$1" | gzip -9n >"$4.tmp"
mv "$4.tmp" "$4"
