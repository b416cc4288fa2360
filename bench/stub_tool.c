/* A stand-in for the tool chain passes (cc1, cc1plus, as, ar, ld) when only the no-op build is
   measured: the full builds that come first then take minutes instead of an hour on a shared
   machine, and a no-op build runs no tool at all. It writes each output a pass names (-o, -Map,
   an ar archive); as cc1 it also writes the .d file as the compiler does: the source, then each
   #include "name" found in the source's directory or an -I directory, named as that directory
   plus "/" plus the name (so an absolute -I gives absolute paths). See bench/README.md. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    const char *tool = strrchr(argv[0], '/') ? strrchr(argv[0], '/') + 1 : argv[0];
    const char *inc[64]; int ninc = 0;
    const char *dfile = 0, *target = 0, *src = 0;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (!strncmp(a, "-I", 2)) { if (ninc < 64) inc[ninc++] = a + 2; }
        else if (!strcmp(a, "-MD") && i + 1 < argc) dfile = argv[++i];
        else if (!strcmp(a, "-MQ") && i + 1 < argc) target = argv[++i];
        else if ((!strcmp(a, "-o") || !strcmp(a, "-Map")) && i + 1 < argc) {
            FILE *f = fopen(argv[++i], "w"); if (f) fclose(f);
        } else if (a[0] != '-') {
            if (!src) src = a;
            size_t n = strlen(a);
            if (!strcmp(tool, "ar") && n > 2 && !strcmp(a + n - 2, ".a")) {
                FILE *f = fopen(a, "w"); if (f) fclose(f);
            }
        }
    }
    if (strcmp(tool, "cc1") || !dfile || !src) return 0;
    char srcdir[4096]; strcpy(srcdir, src);
    char *slash = strrchr(srcdir, '/'); if (slash) *slash = 0; else strcpy(srcdir, ".");
    FILE *in = fopen(src, "r"), *out = fopen(dfile, "w");
    if (!in || !out) return 1;
    fprintf(out, "%s: %s", target ? target : "out.o", src);
    char line[4096], path[8192];
    while (fgets(line, sizeof line, in)) {
        if (strncmp(line, "#include \"", 10)) continue;
        char *name = line + 10, *end = strchr(name, '"'); if (!end) continue; *end = 0;
        const char *dirs[65]; int nd = 0; dirs[nd++] = srcdir;
        for (int k = 0; k < ninc; ++k) dirs[nd++] = inc[k];
        for (int k = 0; k < nd; ++k) {
            snprintf(path, sizeof path, "%s/%s", dirs[k], name);
            if (!access(path, F_OK)) { fprintf(out, " \\\n %s", path); break; }
        }
    }
    fprintf(out, "\n");
    fclose(out); fclose(in);
    return 0;
}
