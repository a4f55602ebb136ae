#!/bin/sh
# Writes a two-channel record file of N records (default 58300, 16 hours of 1 s samples) to
# stdout as a recording writes it: the header, then number, time, T1, T2, T1-T2 and unit,
# TAB-separated, CR LF. T1 and T2 drift slowly with some noise, as a bath warming up does.
#   make-record-file.sh [N] > rec.txt
awk -v n="${1:-58300}" 'BEGIN {
    printf "No.s    Time            T1      T2      T1-T2   Unit\r\n"
    srand(36)
    for (i = 1; i <= n; i++) {
        s = i % 86400
        t1 = 20 + 60 * sin(i / 9000) + rand() * 0.6
        t2 = 25 + 40 * sin(i / 7000 + 1) + rand() * 0.6
        a = sprintf("%.1f", t1); b = sprintf("%.1f", t2)
        printf "%d\t%02d:%02d:%02d\t%s\t%s\t%.1f\tC\r\n", i, s / 3600, s / 60 % 60, s % 60, a, b, a - b
    }
}'
