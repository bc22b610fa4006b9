#include "workarea/workarea.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace vibfrf {

WorkArea wa{};

void start_up() {
  wa.pi = std::atan2(0.0, -1.0);
  wa.two_pi = wa.pi + wa.pi;
}

void reset_work_area() {
  close_all_slots();
  clear(wa.work);
  clear(wa.aux);
  wa.channel = 0;
  wa.mean_choice = 0;
  wa.window_choice = 0;
  wa.highpass = 0.0;
  wa.pi = 0.0;
  wa.two_pi = 0.0;
  wa.m = 0;
  wa.nstages = 0;
  wa.ns = 0;
  wa.ave = 0.0;
  wa.dt = 0.0;
  wa.df = 0.0;
  wa.limit = 0;
  wa.limit2 = 0;
  wa.freq = 0.0;
  wa.freq2 = 0.0;
  for (auto& name : wa.names) name.fill('\0');
}

// All bits zero is 0.0f in both parts; memset clears the 2 MiB of a whole array several times
// faster than an entry-by-entry loop.
void clear(std::span<Complex> entries) {
  static_assert(std::is_trivially_copyable_v<Complex> && sizeof(Complex) == 2 * sizeof(float));
  std::memset(static_cast<void*>(entries.data()), 0, entries.size_bytes());
}

void set_slot_name(std::size_t k, std::string_view name) {
  auto& buffer = wa.names[k];
  const std::size_t n = std::min(name.size(), name_capacity - 1);
  std::memcpy(buffer.data(), name.data(), n);
  buffer[n] = '\0';
}

bool try_open_slot(std::size_t k, const char* name, const char* mode) {
  set_slot_name(k, name);
  return wa.streams[k].open(wa.names[k].data(), mode);
}

textio::Stream& open_slot(std::size_t k, const char* name, const char* mode) {
  if (!try_open_slot(k, name, mode))
    throw textio::FileError(textio::FileError::Action::open, slot_name(k), wa.streams[k].error());
  return wa.streams[k];
}

void close_slot(std::size_t k) {
  textio::Stream& s = wa.streams[k];
  using Action = textio::FileError::Action;
  const Action action = s.is_writing() ? Action::write : Action::read;
  if (!s.close()) throw textio::FileError(action, slot_name(k), s.error());
}

void flush_slot(std::size_t k) {
  textio::Stream& s = wa.streams[k];
  if (!s.flush())
    throw textio::FileError(textio::FileError::Action::write, slot_name(k), s.error());
}

void close_all_slots() noexcept {
  for (auto& s : wa.streams) s.close();
}

const char* slot_name(std::size_t k) { return wa.names[k].data(); }

}  // namespace vibfrf
