/* Opens the first Kestrel probe and echoes a message through it. With --sim it runs on the
 * virtual probe. Build (the run path lets it find a library installed under any prefix):
 *   cc echo.c $(pkg-config --cflags --libs jsckestrel) -ldl \
 *   -Wl,-rpath,"$(pkg-config --variable=libdir jsckestrel)" \
 *   -DSIM_LIBUSB="\"$(pkg-config --variable=simlibusb jsckestrel)\"" -o echo */
#include <dlfcn.h>
#include <kestrel/kestrel.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--sim") == 0) {
    /* Loaded under libusb's name before the first KST_Open, the library binds it. */
    void* sim = dlopen(SIM_LIBUSB, RTLD_NOW | RTLD_GLOBAL);
    void* install = sim != NULL ? dlsym(sim, "ksim_install_default_bus") : NULL;
    if (install == NULL) {
      fprintf(stderr, "no virtual probe at %s\n", SIM_LIBUSB);
      return 1;
    }
    ((void (*)(void))install)();
  }
  KSTInform* probe = NULL;
  int32_t result = KST_Open(&probe, 0, NULL, 0);
  if (result != KST_OK) {
    fprintf(stderr, "no probe (result %d)\n", (int)result);
    return 1;
  }
  const char message[] = "hello, probe";
  char answer[sizeof message] = {0};
  result = KST_Echo(probe, message, answer, sizeof message);
  if (result == KST_OK) printf("echo: %s\n", answer);
  KST_Close(&probe);
  return result == KST_OK ? 0 : 1;
}
