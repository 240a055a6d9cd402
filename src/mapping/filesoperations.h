#pragma once

class BackendOperations;
class ServerFiles;

// The backend's side of ServerFiles: one operation "files.<method>" per method, each reading
// its arguments from the request strictly and answering with what the method gives
// (docs/backend-protocol.md lists them). A request of the wrong shape is refused as
// "bad-argument".
class FilesOperations
{
public:
    // files must live as long as operations.
    static void addTo(BackendOperations &operations, ServerFiles &files);
};
