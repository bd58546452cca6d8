// Cookie lists: name=value items separated by "; ", no separator after the last.
#pragma once

#include <string>

namespace kelvo {

// Folds the cookies that were sent into those that came back: a sent cookie whose name did not
// come back is kept, cookies set to "deleted" are dropped, repeated items kept once. The merged
// list is written into both.
void MergeCookies(std::string& send_cookies, std::string& returned_cookies);

}  // namespace kelvo
