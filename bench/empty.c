/* A program that does nothing: the start-up of a statically linked C program,
   against which orvex's own start-up is measured. */
int main(void) {
  return 0;
}
