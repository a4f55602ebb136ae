set terminal pngcairo size 640,600
set output 'plot.png'
set datafile separator "\t"
set xdata time
set timefmt "%H:%M:%S"
plot 'rec.txt' every ::1 using 2:3 with lines lc rgb "black" title "T1", \
     '' every ::1 using 2:4 with lines lc rgb "blue" title "T2", \
     '' every ::1 using 2:5 with lines lc rgb "red" title "T1-T2"
