#include "server.h"

Server::~Server() = default;
