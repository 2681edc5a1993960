#pragma once
// The one way this program waits: keep the event loop running until a condition holds
// or a deadline passes. Every wait has a bound; none polls on a fixed sleep.
#include <functional>

namespace quentry {

// Processes events until done() is true (checked after every batch of events) or
// timeoutMs have passed. Returns done() at the end.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// Lets the event loop process what is pending now, without waiting.
void ProcessPendingEvents();

// Keeps the event loop running for ms milliseconds.
void WaitFor(int ms);

} // namespace quentry
