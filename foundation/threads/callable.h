// A one-operation interface for code that is handed over to be run later or elsewhere.
#pragma once

template <typename Signature>
class Callable;

template <typename Result, typename... Args>
class Callable<Result (*)(Args...)> {
public:
    virtual Result Run(Args... args) = 0;
    virtual ~Callable() = default;
};
