# Draws one page from the result files of a vibfrf run.
# Run in the directory of results with the variables force, accel (input files) and out (the
# image's name without extension) set, e.g.:
#   gnuplot -e "force='force.txt'; accel='accel.txt'; out='report'" report.gp

if (!exists("force")) force = "force.txt"
if (!exists("accel")) accel = "accel.txt"
if (!exists("out")) out = "report"

# Zero lines (the cleared zero-frequency line and any below the high-pass) have no place on a
# logarithmic axis.
positive(v) = (v > 0 ? v : 1/0)

set grid
set key off
set tics nomirror

draw_page(page_title) = 0
do for [kind in "png svg"] {
  if (kind eq "png") {
    set terminal pngcairo size 1400,1050 font "sans,10"
    set output out.".png"
  } else {
    set terminal svg size 1400,1050 font "sans,10" dynamic background "white"
    set output out.".svg"
  }
  set multiplot layout 3,2 title "vibfrf results: ".force." (force) and ".accel." (acceleration)"

  set title "Force input"
  set xlabel "time (s)"
  set ylabel "force (input units)"
  set logscale y; unset logscale
  plot force using 1:2 with lines lc rgb "#1f77b4"

  set title "Acceleration response"
  set xlabel "time (s)"
  set ylabel "acceleration (input units)"
  plot accel using 1:2 with lines lc rgb "#d62728"

  set title "H1 magnitude (receptance: displacement per force)"
  set xlabel "frequency (Hz)"
  set ylabel "|H1| (displacement / force)"
  set logscale y
  set format y "%.0e"
  plot "H1_mp.out" using 1:(positive($2)) with lines lc rgb "#2ca02c"
  unset logscale y
  set format y "% g"

  set title "H1 phase"
  set xlabel "frequency (Hz)"
  set ylabel "phase (deg)"
  set yrange [-180:180]
  set ytics 90
  plot "H1_mp.out" using 1:3 with lines lc rgb "#9467bd"
  set autoscale y
  set ytics autofreq

  set title "Coherence"
  set xlabel "frequency (Hz)"
  set ylabel "coherence (-)"
  set yrange [0:1.1]
  plot "coherence.out" using 1:2 with lines lc rgb "#ff7f0e"
  set autoscale y

  set title "h1 impulse response"
  set xlabel "time (s)"
  set ylabel "h1 (displacement per unit force impulse, over df)"
  plot "impulse_h1.out" using 1:2 with lines lc rgb "#8c564b"

  unset multiplot
  unset output
}
