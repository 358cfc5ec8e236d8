#pragma once

#include <string>

#include "http_server.h"
#include "simulator.h"

// The misbehaviours of the fault modes, applied around the hosts' normal answers.
namespace tamsor::sim {

// Makes what the fault mode serves ahead of time, so that its first answer is not late.
void prepare_fault(Fault fault);

// The answer that replaces the host's own entirely, or nothing when the host answers first.
std::optional<ServerResponse> fault_instead(Fault fault, const std::string& host,
                                            const ServerRequest& request);

// Changes the host's answer the way the fault mode says.
void apply_fault(Fault fault, ServerResponse& response);

}  // namespace tamsor::sim
