#pragma once
// The cluster link scenario: nodes in one process over a simulated cluster, each a
// render control manager with its own frame sync object and a cluster link. The
// nodes report their ports to the master, the master sends its port table to the
// backup, the master fails and the backup restores the links 1000 ms after it took
// over.

namespace sandbox {

// Prints each step and the link tables before and after the failure.
void runCluster(int nodes);

}  // namespace sandbox
