#pragma once

// Clang's thread-safety analysis attributes; empty on other compilers.
#if defined(__clang__)
#define JEU_TSA(x) __attribute__((x))
#else
#define JEU_TSA(x)
#endif

#define CAPABILITY(x) JEU_TSA(capability(x))
#define SCOPED_CAPABILITY JEU_TSA(scoped_lockable)
#define GUARDED_BY(x) JEU_TSA(guarded_by(x))
#define REQUIRES(...) JEU_TSA(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) JEU_TSA(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) JEU_TSA(acquire_capability(__VA_ARGS__))
#define RELEASE(...) JEU_TSA(release_capability(__VA_ARGS__))
