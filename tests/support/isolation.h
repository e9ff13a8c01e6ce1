// Keeps a test program's side effects to itself: its own shared block for
// the owner table and its own settings store, named after the process.
#pragma once

namespace tavrin::test {

void IsolateFromOtherPrograms();

}  // namespace tavrin::test
