/* Counts a program's presented frames from outside it: preloaded into the program, it passes SDL's two
 * present calls on and adds one to a 64-bit counter kept in the file named by SKY_PRESENT_COUNTER. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

typedef struct SDL_Renderer SDL_Renderer;
typedef struct SDL_Window SDL_Window;

static uint64_t* counter(void) {
  static uint64_t* shared = NULL;
  static int tried = 0;
  if (!tried) {
    tried = 1;
    const char* path = getenv("SKY_PRESENT_COUNTER");
    const int fd = path != NULL ? open(path, O_RDWR | O_CREAT, 0644) : -1;
    if (fd >= 0 && ftruncate(fd, sizeof(uint64_t)) == 0) {
      void* mapped = mmap(NULL, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (mapped != MAP_FAILED) shared = mapped;
    }
    if (fd >= 0) close(fd);
  }
  return shared;
}

static void count_present(void) {
  uint64_t* shared = counter();
  if (shared != NULL) __atomic_add_fetch(shared, 1, __ATOMIC_RELAXED);
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static void (*next)(SDL_Renderer*) = NULL;
  if (next == NULL) *(void**)&next = dlsym(RTLD_NEXT, "SDL_RenderPresent");
  next(renderer);
  count_present();
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  static void (*next)(SDL_Window*) = NULL;
  if (next == NULL) *(void**)&next = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  next(window);
  count_present();
}
