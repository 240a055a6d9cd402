#pragma once

class BackendOperations;
class ServerAccounts;

// The backend's side of ServerAccounts: one operation "accounts.<method>" per method, each
// reading its arguments from the request strictly and answering with what the method gives
// (docs/backend-protocol.md lists them). A request of the wrong shape is refused as
// "bad-argument", without quoting a password; a password of a save request is forgotten with
// the save.
class AccountsOperations
{
public:
    // accounts must live as long as operations.
    static void addTo(BackendOperations &operations, ServerAccounts &accounts);
};
