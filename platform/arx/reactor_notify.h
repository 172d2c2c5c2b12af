// Telling a list of reactors about an event, as the document manager and the editor
// both do.
#pragma once

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <vector>

// Reactors may add or remove reactors while being told: each one is told only while it
// is still registered, and a failing one does not keep the others from hearing. A
// failure is reported on stderr, naming the reactor as `who` ("a document reactor").
template <typename Reactor>
void hostNotifyReactors(const std::vector<Reactor*>& reactors, const std::function<void(Reactor*)>& notice,
                        const char* who) {
  const std::vector<Reactor*> snapshot = reactors;
  for (Reactor* reactor : snapshot) {
    if (std::find(reactors.begin(), reactors.end(), reactor) == reactors.end()) continue;
    try {
      notice(reactor);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "ovhost: %s failed: %s\n", who, e.what());
    } catch (...) {
      std::fprintf(stderr, "ovhost: %s failed: an exception that is no std::exception\n", who);
    }
  }
}
