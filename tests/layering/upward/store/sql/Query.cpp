// Allowed: a subfolder's own namespace.
namespace velmar::store::sql {
int query();
}
