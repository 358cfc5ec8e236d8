#pragma once

namespace tamsor::app {

// One turn of the window thread's events while one of its requests waits on the network.
// Windows repaint, and timers and workers' results arrive; input to the windows is dropped
// rather than kept for later, except that Esc gives up the request this turn runs for (it fails
// as after a network failure, and the windows stay open). Windows opened in a loop of their own
// meanwhile take input as usual, and an Esc there gives up only their own request.
void pump_events_during_request();

}  // namespace tamsor::app
