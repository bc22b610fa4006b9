# Draws one page from the result files of a vibfrf run.
# Run in the directory of results with the variables force, accel (input files) and out (the
# image's name without extension) set, e.g.:
#   gnuplot -e "force='force.txt'; accel='accel.txt'; out='report'" report.gp

if (!exists("force")) force = "force.txt"
if (!exists("accel")) accel = "accel.txt"
if (!exists("out")) out = "report"

# Zero lines (the cleared zero-frequency line and any below the high-pass) have no place on a
# logarithmic axis, and their phase of 0 means nothing.
positive(v) = (v > 0 ? v : 1/0)

# A time panel shows where its signal is: from the first to the last sample above 1 % of the
# largest magnitude, with a margin, so that a hammer pulse of a few milliseconds or a response
# that dies out early can be seen. A signal that is zero throughout is shown whole.
zoom_to_signal = "\
  stats FILE using 1 nooutput; first = STATS_min; last = STATS_max; \
  step = (STATS_records > 1 ? (last - first) / (STATS_records - 1) : 1); \
  stats FILE using (abs($2)) nooutput; peak = STATS_max; \
  if (peak > 0 && peak < 1e300) { \
    stats FILE using ((abs($2) > 0.01 * peak) ? $1 : NaN) nooutput; \
    margin = 0.25 * (STATS_max - STATS_min) + 4 * step; \
    set xrange [(STATS_min - margin < first ? first : STATS_min - margin):(STATS_max + margin > last ? last : STATS_max + margin)]; \
  } else { set xrange [first:last] }"

set grid
set key off
set tics nomirror

do for [kind in "png svg"] {
  if (kind eq "png") {
    set terminal pngcairo size 1400,1050 font "sans,10" noenhanced
    set output out.".png"
  } else {
    set terminal svg size 1400,1050 font "sans,10" dynamic background "white" noenhanced
    set output out.".svg"
  }
  set multiplot layout 3,2 title "vibfrf results for ".force." (force) and ".accel." (acceleration)"

  FILE = force
  eval zoom_to_signal
  set title "Force input"
  set xlabel "time (s)"
  set ylabel "force (input units)"
  plot force using 1:2 with lines lc rgb "#1f77b4"

  FILE = accel
  eval zoom_to_signal
  set title "Acceleration response"
  set ylabel "acceleration (input units)"
  plot accel using 1:2 with lines lc rgb "#d62728"

  set autoscale x
  set autoscale xfix
  set title "H1 magnitude: receptance, displacement per force (m/N for m/s² and N)"
  set xlabel "frequency (Hz)"
  set ylabel "|H1|"
  set logscale y
  set format y "%.0e"
  plot "H1_mp.out" using 1:(positive($2)) with lines lc rgb "#2ca02c"
  unset logscale y
  set format y "% g"

  set title "H1 phase (+90° at a resonance: H1 is minus the receptance)"
  set ylabel "phase (deg)"
  set yrange [-180:180]
  set ytics 90
  plot "H1_mp.out" using 1:($2 > 0 ? $3 : 1/0) with lines lc rgb "#9467bd"
  set autoscale y
  set ytics autofreq

  set title "Coherence"
  set ylabel "coherence"
  set yrange [0:1.1]
  plot "coherence.out" using 1:2 with lines lc rgb "#ff7f0e"
  set autoscale y

  FILE = "impulse_h1.out"
  eval zoom_to_signal
  set title "h1 impulse response: -h(t)/df, h in displacement per unit force impulse"
  set xlabel "time (s)"
  set ylabel "impulse_h1"
  plot "impulse_h1.out" using 1:2 with lines lc rgb "#8c564b"

  unset multiplot
  unset output
}
