#pragma once

// True when the process runs under Wine, whose behaviour a few tests must allow for.
bool RunningUnderWine();
