/*
 * RunAsNobody: runs a step with the rights of the unprivileged user "nobody", so that a test
 * running as root still meets real permission refusals. As root the step runs in a forked
 * child that drops to nobody; as any other user it runs in place, where refusals are real
 * already. The step returns a small exit code that the test checks; it must not use test
 * assertions (they would fire in the child).
 */
#pragma once

#include <functional>
#include <string>

// The user and group ids of "nobody" (65534 when the user database has no entry).
unsigned NobodyUid();
unsigned NobodyGid();

// Runs step as nobody and returns its result (0..255), or -1 if it could not be run.
int RunAsNobody(const std::function<int()>& step);

// Gives a path to nobody (owner and group), so a step run as nobody may change it.
bool GiveToNobody(const std::string& path);
