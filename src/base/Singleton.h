#pragma once

#include <atomic>
#include <mutex>
#include <vector>

// The program's process-wide objects all follow one pattern: Instance makes
// the object on first use, Destroy ends it, and the next Instance makes a
// fresh one. What is still alive when the program ends goes in
// Singletons::ShutdownAll, newest first, so an object always goes before
// one it made while it was built (the console before its allocator).
class Singletons {
public:
    // Destroys every live singleton, newest first; the program's last step.
    static void ShutdownAll();

private:
    template <typename T>
    friend class Singleton;
    using Destroyer = void (*)();

    // Creation and registration are serialised: a test's host thread and the
    // game thread may both reach the allocator first. Recursive, because a
    // constructor may make the singletons it needs.
    static std::recursive_mutex& Lock();
    static std::vector<Destroyer>& Live();
    static void Created(Destroyer destroy);
    static void Destroyed(Destroyer destroy);
};

// Derive as `class X : public Singleton<X>` and befriend Singleton<X> so
// that only Instance constructs it.
template <typename T>
class Singleton {
public:
    static T* Instance()
    {
        if (T* existing = instance.load(std::memory_order_acquire))
            return existing;
        std::scoped_lock lock(Singletons::Lock());
        if (!instance.load(std::memory_order_relaxed)) {
            T* made = new T;
            instance.store(made, std::memory_order_release);
            Singletons::Created(&Destroy);
        }
        return instance.load(std::memory_order_relaxed);
    }

    static bool Exists() { return instance.load(std::memory_order_acquire) != nullptr; }

    static void Destroy()
    {
        std::scoped_lock lock(Singletons::Lock());
        T* gone = instance.exchange(nullptr, std::memory_order_acq_rel);
        if (!gone)
            return;
        Singletons::Destroyed(&Destroy);
        delete gone;
    }

protected:
    Singleton() = default;
    ~Singleton() = default;

private:
    static inline std::atomic<T*> instance{nullptr};
};
