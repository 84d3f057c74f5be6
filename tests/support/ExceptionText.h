// The message of the Exception that Fn raises, or "(no exception)": lets a test compare whole texts.
#pragma once

#include <string>

#include "platform/SysUtils.h"

template <typename Fn>
std::string ExceptionText(Fn&& F)
{
    try {
        F();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "(no exception)";
}
