#include "configsession.h"

// Here, so that the class's vtable is made in one place.
ConfigSession::~ConfigSession() = default;
