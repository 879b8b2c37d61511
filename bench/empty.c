/* The floor: no program on this C library starts for less. */
int main(void)
{
    return 0;
}
