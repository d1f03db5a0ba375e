#pragma once

// Moves the process into a network namespace of its own with loopback up, so
// that a suite serving on a fixed port can never meet another server there.
// Returns false where the system does not allow it.
bool enterOwnNetwork();

// Whether something already listens on 127.0.0.1:port.
bool portTaken(int port);
