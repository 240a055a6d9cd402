#pragma once

class BackendOperations;
class ServerServices;

// The backend's side of ServerServices: one operation "services.<method>" per method, each
// reading its arguments from the request strictly and answering with what the method gives
// (docs/backend-protocol.md lists them). A request of the wrong shape is refused as
// "bad-argument". A client reaches only Samba's own services and processes: systemctl
// commands only for smbd and nmbd, and the end of a process only by its number, never of a
// daemon by name.
class ServicesOperations
{
public:
    // services must live as long as operations.
    static void addTo(BackendOperations &operations, ServerServices &services);
};
