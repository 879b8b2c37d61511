/* The same dialogue in plain C: the peer that das must beat at start-up. */
#include <stdio.h>

int main(void)
{
    int n = 0;
    printf("Hello, world!\n");
    scanf("%d", &n);
    printf("das %d", n);
    return 0;
}
