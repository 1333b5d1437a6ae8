#pragma once
// Allowed: a forward declaration of another folder's class, then the windows
// of this folder.
namespace velmar::nav {
class Track;
}

namespace velmar::sound::ui {
class Player;
}
