// Reading one channel's time history: a counting pass, the choice of the transform length, a
// loading pass from the start again, and the report of the record's statistics.
#include "input/input.hpp"
#include "input/statistics.hpp"
#include "textio/console.hpp"
#include "textio/print.hpp"
#include "textio/scan.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf {
namespace {

using textio::console_out;
using textio::print;

// One record: a time and an amplitude. True when at least the time was read; an amplitude that
// is missing leaves its entry as it was.
bool scan_record(textio::Stream& in, double& time, float& amplitude) {
  return textio::scan(in, " %lf %f ", &time, &amplitude) >= 1;
}

void print_report(std::uint32_t records, double t_first, double t_last,
                  const RecordStatistics& s) {
  textio::Stream& out = console_out();
  print(out, "\n samples= %ld ", records);
  print(out, "\n dt = %10.5g sec  sr= %12.6e samples/sec", s.dt, s.sr);
  print(out, "\n\n time span= %12.6g sec to %12.6g sec", t_first, t_last);
  print(out, "\n\n  ave= %9.4g G    std dev = %9.4g G   rms= %9.4g G", s.ave, s.sd, s.rms);
  print(out, "\n kurtosis= %9.4g", s.kurtosis);
  print(out, "\n");
  print(out, "\n delta f= %14.4g ", s.df);
}

// A failed read ends the stream's input as its end does, so the pass that met it has stopped
// short; the run stops too, here, before the rewind forgets the failure.
void stop_if_a_read_failed() {
  if (wa.streams[1].error() != 0) close_slot(1);
}

}  // namespace

void read_time_history() {
  textio::Stream& in = wa.streams[1];
  print(console_out(), "\n\n reading time history ");

  // First pass: count the records and sum the moments of the amplitudes as stored.
  double t_first = 0.0;
  if (!scan_record(in, t_first, wa.work[0].re)) print(console_out(), "\n fscanf error ");
  Moments sums;
  sums.add(wa.work[0].re);  // the first entry counts even when it could not be read
  std::uint32_t records = 1;
  for (double t = 0.0; records < max_records && scan_record(in, t, wa.work[records].re); ++records)
    sums.add(wa.work[records].re);
  stop_if_a_read_failed();

  const TransformLength length = choose_transform_length(records);
  wa.m = length.m;
  wa.nstages = length.nstages;

  // Second pass: the first m records again, for the time of the last one loaded.
  in.rewind();
  double t_last = 0.0;
  std::uint32_t loaded = 0;
  while (loaded < wa.m && scan_record(in, t_last, wa.work[loaded].re)) ++loaded;
  stop_if_a_read_failed();
  wa.ns = loaded;
  print(console_out(), "\n\n  %ld samples will be used for FFT\n", wa.m);

  if (wa.ns < 2) {
    print(console_out(), "\n  dt error ");
  } else {
    const RecordStatistics s = record_statistics(t_first, t_last, wa.ns, records, sums);
    wa.ave = s.ave;
    wa.dt = s.dt;
    wa.df = s.df;
    print_report(records, t_first, t_last, s);
  }
  in.close();
}

}  // namespace vibfrf
