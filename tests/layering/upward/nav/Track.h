#pragma once
// A nav header whose code stands in another folder's namespace.
namespace velmar::sound {
int trackLength();
}
