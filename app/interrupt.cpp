#include "app/interrupt.h"

#include <signal.h>

#include <atomic>

namespace gildex::app {
namespace {

std::atomic<bool> g_interrupted{false};
int g_guards = 0;
struct sigaction g_previous_int {};
struct sigaction g_previous_term {};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

}  // namespace

InterruptGuard::InterruptGuard() {
  if (g_guards++ > 0) return;
  g_interrupted = false;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_previous_int);
  sigaction(SIGTERM, &action, &g_previous_term);
}

InterruptGuard::~InterruptGuard() {
  if (--g_guards > 0) return;
  sigaction(SIGINT, &g_previous_int, nullptr);
  sigaction(SIGTERM, &g_previous_term, nullptr);
}

void RequestCancel() { g_interrupted = true; }
bool Interrupted() { return g_interrupted; }
bool TakeInterrupt() { return g_interrupted.exchange(false); }

}  // namespace gildex::app
