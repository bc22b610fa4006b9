#include "driver/driver.hpp"
#include "textio/console.hpp"
#include "workarea/workarea.hpp"

int main() {
  vibfrf::start_up();
  const int status = vibfrf::run_analysis();
  vibfrf::textio::console_out().flush();
  return status;
}
