// The image's allocation functions: plain malloc and free, and null on exhaustion.
//
// The program is built without exceptions and asks only for `new (std::nothrow)`. The run
// time's own nothrow form catches the throwing form's exception, which would link the whole
// C++ exception machinery (unwinder, demangler, formatted printing) into the image; these
// replacements keep it out. Only the installer image links this file: the test programs keep
// the run time's own forms.
#include <new>
#include <stdlib.h>

void* operator new(size_t size)
{
    return malloc(size ? size : 1);
}

void* operator new[](size_t size)
{
    return malloc(size ? size : 1);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size ? size : 1);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size ? size : 1);
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete[](void* p) noexcept
{
    free(p);
}

void operator delete(void* p, size_t) noexcept
{
    free(p);
}

void operator delete[](void* p, size_t) noexcept
{
    free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    free(p);
}
