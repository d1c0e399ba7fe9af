/* int CallAndMeasureStack(void* function, const unsigned* arguments, int count)
 * Pushes count arguments (the first pushed last, as WINAPI does), calls
 * function, and answers how far the stack pointer ended up from where it was
 * before the pushes: 0 when the callee removed exactly its arguments. */
    .text
    .globl _CallAndMeasureStack
_CallAndMeasureStack:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 8(%ebp), %eax
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *%eax
    movl %esp, %eax
    subl %edi, %eax
    movl %edi, %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
