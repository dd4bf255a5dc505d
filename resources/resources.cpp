// Anchors the compiled-in pictures in their own library.
namespace kestrola {
int resourcesLinked() { return 1; }
}
