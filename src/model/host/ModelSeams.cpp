// The silent defaults of the seams through which the model reaches the
// libraries above it, and the process-wide options it reads.
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"

namespace {

TModelHost* CurrentHost = nullptr;
TEditingServices* CurrentServices = nullptr;

}  // namespace

TModelOptions& ModelOptions() {
    static TModelOptions options;
    return options;
}

TDocClient& NullDocClient() {
    static TDocClient client;
    return client;
}

TModelHost& ModelHost() {
    static TModelHost silent;
    return CurrentHost != nullptr ? *CurrentHost : silent;
}

TModelHost* SetModelHost(TModelHost* host) {
    TModelHost* previous = CurrentHost;
    CurrentHost = host;
    return previous;
}

TEditingServices& EditingServices() {
    static TEditingServices silent;
    return CurrentServices != nullptr ? *CurrentServices : silent;
}

TEditingServices* SetEditingServices(TEditingServices* services) {
    TEditingServices* previous = CurrentServices;
    CurrentServices = services;
    return previous;
}
